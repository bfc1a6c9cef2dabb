/* Saved searches: the kind of search and its binary settings. */
ALTER TABLE SWK_SEARCH
  ADD STYPE INTEGER DEFAULT 0,
  ADD SBIN BLOB SUB_TYPE 0;
COMMIT;
