// The trust of test programs, linked in place of the shipped definition
// (src/updater/core/UpdateTrust.cpp): the key and the certificate file that
// the test hands over in its environment. Never part of a shipped program.
#include <cstdlib>

#include "updater/core/UpdateTrust.h"

namespace kq {

namespace {
std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

CUpdateTrust BuiltInUpdateTrust() { return {Env("KQ_TEST_UPDATE_KEY"), Env("KQ_TEST_UPDATE_CA_FILE")}; }

}  // namespace kq
