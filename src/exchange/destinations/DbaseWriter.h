#pragma once

#include "ExportJob.h"

class Connection;

// A new dBase III table: the job's path is the folder, its name the file name (".dbf" is
// added when it has no extension). Texts are in code page 936 (the header's language byte
// says so, and a .cpg file beside the table names it for programs that read that). An
// existing table of that name is never overwritten: the export fails. A .cpg without its
// table (left when a user deleted the table) is replaced.
//
// Fields: texts become character fields two bytes per declared character (a Chinese
// character takes two bytes in GBK), at most 254; whole numbers numeric fields of 11
// digits; fractions numeric fields with 6 decimals; dates date fields. Names longer than
// dBase's 10 bytes are shortened as DbaseFieldNames says. A text that does not fit its
// field is cut after its last whole character and a character outside GBK is written as
// "?" (DbaseText); the result counts those values. Every write is checked: a full disk
// fails the export and leaves no file.
namespace DbaseWriter {

// The language driver byte for code page 936 (Simplified Chinese GBK).
constexpr int LanguageDriverGbk = 0x7A;

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress);

} // namespace DbaseWriter
