// Load and unload of the motion library: one static object. Loading needs no display; the GUI
// toolkit is started by the setup dialog the first time it is shown, and cleans itself up at
// process end.
#include <dlfcn.h>

#include "motion/api/CCorvaneCollection.h"
#include "motion/base/ZRLog.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/controller/CorvaneLibrarySettings.h"
#include "motion/controller/CorvaneVersion.h"
#include "winport/Process.h"

namespace {

constexpr char kLogConfigFile[] = "ZR_Corvane_TAL_DLL.log.config";

// The library's own module: the load address of the object that holds this function.
void* ModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleHandle), &info) == 0) return nullptr;
    return info.dli_fbase;
}

class CorvaneLibraryLifetime {
  public:
    CorvaneLibraryLifetime() {
        ZRLogger::SetLoggerName(kCorvaneLibraryName);
        ZRLogger::ConfigFromFile(kCorvaneLibraryName, kLogConfigFile);
        ZRLogger::FetchLibraryLogger();
        ZR_LOG_NOTICE("%s: DllMain(DLL_PROCESS_ATTACH)", kCorvaneLibraryName);
        ZRLogger::TimeStamp(log4cpp::Priority::NOTICE);
        ZR_LOG_NOTICE("version %d.%d.%d.%d", kCorvaneVersionMajor, kCorvaneVersionMinor,
                      kCorvaneVersionRelease, kCorvaneVersionBuild);

        SetCorvaneHostDirectory(winport::ExecutableDir());
        CorvaneCollection();  // made now, so that it is there for the unload below

        ZR_IFsetInstanceHandle(ModuleHandle());
        IFuseBackgroundThread(0);
        ZR_LOG_NOTICE("without backround thread");
        IFsetEnabledInterfaceTypes(IF_TYPE_RS232);
        SetClearRSMode(0);
    }

    ~CorvaneLibraryLifetime() {
        CorvaneCollection().CloseAll();
        IFcloseAllInterfaces();
        SetCorvaneHostDirectory("");
        ZR_LOG_NOTICE("%s: DllMain(DLL_PROCESS_DETACH)", kCorvaneLibraryName);
        ZRLogger::TimeStamp(log4cpp::Priority::NOTICE);
    }

    CorvaneLibraryLifetime(const CorvaneLibraryLifetime&) = delete;
    CorvaneLibraryLifetime& operator=(const CorvaneLibraryLifetime&) = delete;
};

CorvaneLibraryLifetime g_lifetime;

}  // namespace
