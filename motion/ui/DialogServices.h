#pragma once
// The library's services as the dialog module's code sees them: through the host table the
// library handed over (see DialogHost.h). Before a host is set, logging goes nowhere and no port
// is listed.
#include <string>

#include "motion/ui/DialogHost.h"

void SetDialogHost(const dialog_host* host);

void DialogLog(dialog_log_level level, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

int DialogEnumeratePorts(char* buffer, int size);
void DialogResetPortCache();
int DialogPortNumber(const std::string& text);
std::string DialogPortName(const std::string& text);
