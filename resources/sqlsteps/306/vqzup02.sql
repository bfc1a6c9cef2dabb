/* Medical accounts of the 567-account layout: nothing to change in the schema of this program. */
