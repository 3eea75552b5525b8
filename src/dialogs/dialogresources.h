// Registers the dialogs' embedded resources (style sheet, images); the
// dialogs call it before they use them.
#pragma once

void initDialogResources();
