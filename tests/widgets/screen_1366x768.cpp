// Gives a widgets test program one offscreen screen of 1366 x 768 pixels, a
// small laptop's, instead of the offscreen platform's default, so that the
// windows that follow the front panel are placed on a screen of a real size.
// Link it into the program beside qt_app_environment.cpp: it only changes
// the platform name that the QApplication made there reads.

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

std::string& configPath() {
    static std::string path;
    return path;
}

void removeConfig() {
    std::error_code ignored;
    std::filesystem::remove(configPath(), ignored);
}

bool writeScreenConfig() {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("rigcontrol-screen-" + std::to_string(::getpid()) + ".json");
    std::ofstream out(path);
    out << R"({"screens": [{"name": "Laptop", "x": 0, "y": 0, "width": 1366, "height": 768,)"
        << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    configPath() = path.string();
    std::atexit(removeConfig);
    qputenv("QT_QPA_PLATFORM",
            QByteArray("offscreen:configfile=") + QByteArray::fromStdString(configPath()));
    return true;
}

[[maybe_unused]] const bool kScreenConfigured = writeScreenConfig();

}  // namespace
