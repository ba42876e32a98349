#pragma once

#include "DrawOp.h"

#include <QSizeF>
#include <QString>
#include <functional>

class QPrinter;

// Prints composed report pages: landscape, millimetres, every page of a range in one
// print job (one PDF file when the printer writes PDF).
namespace ReportPrinter {

// A new printer's paper: A4 when it writes PDF (a real printer keeps its own paper).
void choosePaper(QPrinter& printer);

// Landscape on the paper the user chose; a PDF gets 5 mm margins like a printer's
// unprintable border.
void prepare(QPrinter& printer);

// The page a report draws on, in millimetres: the paper's width and the height that
// the printer can print from where drawing starts (the top margin).
QSizeF pageSize(QPrinter& printer);

// Prints pages `first` to `last`, composing each with `pageAt`; `printed` hears of each
// page once it is on paper. Returns "" when done, else why printing stopped.
QString print(QPrinter& printer, int first, int last, const std::function<ReportPage(int)>& pageAt,
              const std::function<void(int)>& printed);

} // namespace ReportPrinter
