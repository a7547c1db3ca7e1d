#include "records/City.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win98Window.h"

void City::ApplyToggleFlag(uint8_t value) {
    toggleFlag = value;
    if (this == SelectedCity() && TheWin98 && TheWin98->command) TheWin98->command->ShowToggle();
}
