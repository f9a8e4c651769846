#pragma once

#include <functional>

#include "framework/parameter.h"

// Configures the product's nineteen parameters, by index (engine/params.h). Shared by the
// plug-in and the artwork generator, whose printed scales follow the same ranges and shapes.
void ConfigureHalvernParameters(const std::function<fw::Parameter&(int index)>& param);
