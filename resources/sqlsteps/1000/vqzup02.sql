/* Fixed assets: record numbers and the look-up by method and management kind. */
CREATE GENERATOR KSSISAN_GEN;

CREATE INDEX KS_SISAN_GSHOUHOU ON KS_SISAN (GSHOUHOU, KANRI);
COMMIT;
