#pragma once
// OpenGL entry points (through libepoxy) and GLU, in the order they must be included.
#include <epoxy/gl.h>

#include <GL/glu.h>
