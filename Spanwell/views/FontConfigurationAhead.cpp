#include "views/FontConfigurationAhead.h"

#ifdef SPANWELL_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

FontConfigurationAhead::FontConfigurationAhead() {
#ifdef SPANWELL_FONTCONFIG
    reader = std::thread([] { FcInit(); });
#endif
}

FontConfigurationAhead::~FontConfigurationAhead() {
    wait();
}

void FontConfigurationAhead::wait() {
    if (reader.joinable())
        reader.join();
}
