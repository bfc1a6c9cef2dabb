/* Company master: the account of unknown entries. */
ALTER TABLE ACCDEF1
  ADD FUMEI_KCODE AC_CODE;
COMMIT;
