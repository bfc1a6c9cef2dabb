#pragma once
// Prints a whole job (a print-data file over an optional form file) on the
// selected printer of the printer layer, without dialogs: the form's pages in
// cycles under the data pages, each page in its own orientation. Without a system
// printer the job goes to the built-in PDF printer.
struct TP512DEF;

// True when every page reached the printer. Missing or wrong files show their
// error box and answer false; so does a job that is not permitted.
bool PrintJob(const TP512DEF &definition);
