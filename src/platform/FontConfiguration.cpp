#include "platform/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

namespace FontConfiguration {

void read() {
    // Qt's font database asks for the same; whichever comes second finds it read (two at
    // once each read it, and one copy is kept).
    FcInit();
}

} // namespace FontConfiguration
