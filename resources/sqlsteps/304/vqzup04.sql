/* Cash-book exchange of data without the second account trigger: nothing to change in the schema of this program. */
