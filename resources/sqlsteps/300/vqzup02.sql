/* Accounts: the third group level, the groups of the reversed side, the default use, the balance-less mark and the fund codes of both sides. */
ALTER TABLE KAMOKUMST
  ADD GROUPM3 VARCHAR(10),
  ADD GROUPR1 AC_CODE,
  ADD GROUPR2 AC_CODE,
  ADD USEDEF INTEGER DEFAULT 1,
  ADD BLDAC INTEGER DEFAULT 0,
  ADD FUN_LCODE INTEGER DEFAULT 0,
  ADD FUN_RCODE INTEGER DEFAULT 0;
COMMIT;
