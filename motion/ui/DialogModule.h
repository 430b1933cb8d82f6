#pragma once
// The setup dialog module seen from the library: loaded the first time a dialog is asked for,
// never at load, so that the library runs where no GUI library is installed.
#include "motion/ui/DialogHost.h"

// Shows the setup dialog on settings through the module. kDialogUnavailable, with an ERROR log
// line naming the cause, when the module cannot be loaded or is of another build.
int RunSetupDialog(HexFaceSettings& settings, bool extended);

// The library's side of the host table.
const dialog_host& LibraryDialogHost();

// For programs that link the dialog code in themselves (the dialog tests): entry is used instead
// of the module; nullptr goes back to the module.
void UseLinkedDialog(dialog_entry_fn entry);
