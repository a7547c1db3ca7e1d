#include "Program/GameController.h"

#include "events/SpeechBox.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiMessage.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"

// Mouse and keys of the game controller. A mouse message becomes one queued input record, which
// is taken at once and routed down the widget tree.
void GameController::OnMouse(uint32_t message) {
    if (!TheMouseCursor) return;
    DeferredDeleteScope scope;
    SpeechBox::OnClick(message);
    TheMouseCursor->OnMouseMessage(message);
    if (!TheGuiMessageQueue) return;
    if (GuiMessage* taken = TheGuiMessageQueue->Take()) {
        if (TheRootWidget) TheRootWidget->HandleMessage(taken);
        delete taken;
    }
}
void GameController::OnChar(uint32_t) {}
void GameController::OnKeyDown(uint32_t) {}
