// Connecting a controller through the interface setup dialog.
#include <memory>

#include "motion/api/CCorvaneCollection.h"
#include "motion/controller/CCorvaneController.h"

int CCorvaneCollection::ConnectWithDialog(const char* key) {
    return Admit(std::make_unique<CCorvaneController>(key));
}
