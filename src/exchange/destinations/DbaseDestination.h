#pragma once

#include "ReportingDestination.h"

// "select * into [dBase III;database=folder].file from ...": a new dBase III table in the
// folder, text in code page 936 (the header's language byte says so, and a .cpg file
// beside the table names it for programs that read that). A file name without extension
// gets ".dbf". An existing table of that name is never overwritten: the export fails.
//
// Fields: texts become character fields two bytes per declared character (a Chinese
// character takes two bytes in GBK), at most 254; whole numbers numeric fields of 11
// digits; fractions numeric fields with 6 decimals; dates date fields. Names longer than
// dBase's 10 bytes are shortened as DbaseFieldNames says.
class DbaseDestination : public ReportingDestination {
public:
    // The language driver byte for code page 936 (Simplified Chinese GBK).
    static constexpr int LanguageDriverGbk = 0x7A;

    QString connectKind() const override { return QStringLiteral("dBase III"); }
    int write(Connection& source, const SelectIntoStatement& statement) override;
};
