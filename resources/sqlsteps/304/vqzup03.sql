/* Cash-book exchange: nothing to change in the schema of this program. */
