// Update: the offline patch installer.
#include "update/installer/PatchInstaller.h"

int main() {
    return PatchInstaller::InstallerMain();
}
