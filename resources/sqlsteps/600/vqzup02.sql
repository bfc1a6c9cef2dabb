/* Company master: the carry-forward switches of the prior-year balances with and without tax. */
ALTER TABLE ACCDEF1
  ADD KURIKOSI1 INTEGER DEFAULT 0,
  ADD KURIKOSI2 INTEGER DEFAULT 0;
COMMIT;
