#include "scene/k_EmptyRenderable.h"

void k_EmptyRenderable::Draw(int) {}
