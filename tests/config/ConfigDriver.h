#pragma once

#include "tests/driver/TestRegistry.h"

// The registry and service helpers under the name the saver tests still use.
namespace ConfigDriver {
using namespace TestRegistry;
}
