#pragma once
#include <cstdint>

enum class RunMode : int32_t { Invalid = -1, Interactive = 0, Silent = 1 };
