// Alone in its file, so that a test program can link its own definition.
#include "updater/core/UpdateTrust.h"

#ifndef KQ_UPDATE_PUBLIC_KEY
#define KQ_UPDATE_PUBLIC_KEY ""
#endif

namespace kq {

CUpdateTrust BuiltInUpdateTrust() { return {KQ_UPDATE_PUBLIC_KEY, {}}; }

}  // namespace kq
