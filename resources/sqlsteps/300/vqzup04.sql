/* Monthly totals: the lump-sum tax adjustment of both sides. */
ALTER TABLE KAMOKU_MS
  ADD KAR_IKKATSU CURRENCY DEFAULT 0,
  ADD KAS_IKKATSU CURRENCY DEFAULT 0;
COMMIT;
