/* Facility-group totals of medical data: nothing to change in the schema of this program. */
