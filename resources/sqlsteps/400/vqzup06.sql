/* Balances: the opening balance with and without tax. */
ALTER TABLE KAMOKU_SZ
  ADD KISHU_KOMI CURRENCY DEFAULT 0,
  ADD KISHU_NUKI CURRENCY DEFAULT 0;
COMMIT;
