/* Company master: the tax business kind, the cost-report print switch, the bill dictionary switch and the voucher switch. */
ALTER TABLE ACCDEF1
  ADD TAXJIGYOU INTEGER DEFAULT 0,
  ADD GENKAPRINT INTEGER DEFAULT 0,
  ADD TEGATADICSW INTEGER DEFAULT 0,
  ADD SHOUHYOU INTEGER DEFAULT 0;
COMMIT;
