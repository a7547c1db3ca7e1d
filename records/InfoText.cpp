#include "records/InfoText.h"

InfoText TheInfoText;
