#pragma once
// Labels a benchmark's figures with the GL renderer that produced them.
#include "gl/GLHeaders.h"

#include <benchmark/benchmark.h>

#include <string>

namespace qmtest {

inline void reportRenderer(benchmark::State& state, const std::string& before = "") {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    state.SetLabel(before + (renderer ? renderer : "no GL renderer"));
}

} // namespace qmtest
