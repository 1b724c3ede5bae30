// The disorder curve of a run as CSV: one row per check.
#pragma once

#include <cstdio>
#include <vector>

#include "render/render_run.h"

// Header "iterations,red,blue,green", then each point's shares. False when
// the stream reports a write error.
bool write_curve_csv(std::FILE* stream, const std::vector<CurvePoint>& curve);
