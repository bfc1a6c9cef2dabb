/* System database 7.0.0: the folder look-ups of the place lists and of the
   child rows of merged data sets go by the upper-case form of the folder,
   as those of the local list do. */
CREATE INDEX IX_DATALIST_EX_UPASNAME ON DATALIST_EX COMPUTED BY (UPPER(PASNAME));
CREATE INDEX IX_CHILD_DATALIST_UPASNAME ON CHILD_DATALIST COMPUTED BY (UPPER(PASNAME));
COMMIT;
