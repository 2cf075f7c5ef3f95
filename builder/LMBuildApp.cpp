// The builder library's application object.
#include "builder/LMBuildApp.h"

LMBuildApp::~LMBuildApp() = default;

void LMBuildApp::BringToFront() {}
