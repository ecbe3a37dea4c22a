#pragma once

// The window's context search and preview are in contexto.h now.
#include "ui/conversion/contexto.h"
