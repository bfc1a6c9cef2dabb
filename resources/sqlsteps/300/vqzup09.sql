/* Company master: the date the audit was fixed and the date of the last audit. */
ALTER TABLE ACCDEF1
  ADD KANSA_FIXDATE TIMESTAMP,
  ADD KANSA_DATE TIMESTAMP;
COMMIT;
