#include "commandline/OffscreenPlatform.h"

#include <QByteArray>
#include <QtGlobal>

namespace OffscreenPlatform {

void chooseUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
}

} // namespace OffscreenPlatform
