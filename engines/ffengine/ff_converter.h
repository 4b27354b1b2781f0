#pragma once

#include "components/i_ff_converter.h"

// A new "FfConverter" engine holding one reference; the caller releases it.
I_FfConverter* NewFfConverter();
