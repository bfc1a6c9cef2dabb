/* Medical-corporation data: nothing to change in the schema of this program. */
