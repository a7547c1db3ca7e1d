#pragma once

#include "gui/RootObject.h"

// The scripted speech box of the event runner.
class SpeechBox : public RootObject {};
