#include "settings/settings_values.h"

#include <cmath>

namespace twinsift {

namespace {
std::int16_t centred(double screenTwips, double half) {
    return static_cast<std::int16_t>(roundHalfEven(screenTwips / 2.0 - half));
}
} // namespace

SettingsValues SettingsValues::Defaults(double screenWidthTwips, double screenHeightTwips) {
    SettingsValues v;
    v.winLeft = centred(screenWidthTwips, 3900);
    v.winTop = centred(screenHeightTwips, 4000);
    v.viewWinLeft = centred(screenWidthTwips, 3547.5);
    v.viewWinTop = centred(screenHeightTwips, 2827.5);
    return v;
}

} // namespace twinsift
