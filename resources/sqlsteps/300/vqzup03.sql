/* Accounts: the print rows of the second to fourth layouts of the A4 and A3 trial balances. */
ALTER TABLE KAMOKUMST
  ADD EXT2_A4 VARCHAR(10),
  ADD EXT2_A3 VARCHAR(10),
  ADD EXT3_A4 VARCHAR(10),
  ADD EXT3_A3 VARCHAR(10),
  ADD EXT4_A4 VARCHAR(10),
  ADD EXT4_A3 VARCHAR(10);
COMMIT;
