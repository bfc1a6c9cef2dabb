/* System database 8.0.0: the operators who may see and change individual
   numbers (MYNUMBER_ADM 1). */
ALTER TABLE OPERATOR ADD MYNUMBER_ADM INTEGER DEFAULT 0;
UPDATE OPERATOR SET MYNUMBER_ADM=0;
COMMIT;
