#include "Twips.h"

#include <QtGlobal>

namespace Twips {

namespace {

double usableDpi(double dpi)
{
    return dpi > 0.0 ? dpi : 96.0;
}

} // namespace

int twipsToPixels(int twips, double dpi)
{
    return qRound(twips * usableDpi(dpi) / perInch);
}

int pixelsToTwips(int pixels, double dpi)
{
    return qRound(pixels * perInch / usableDpi(dpi));
}

} // namespace Twips
