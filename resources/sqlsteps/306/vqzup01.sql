/* Medical accounts of the 377-account layout: nothing to change in the schema of this program. */
