// What a user lacking access to a device node is told, the same in the log,
// the window and the command line.
#pragma once

namespace AccessHints {

// hidraw nodes of the Krel box and USB-HID ROM bootloaders.
inline constexpr const char Hid[]
    = "the udev rule /usr/lib/udev/rules.d/60-vlx-krel-tool.rules gives the logged-in user access; "
      "install the vlx-krel-tool package, or copy packaging/60-vlx-krel-tool.rules to /etc/udev/rules.d/ "
      "and run 'sudo udevadm control --reload && sudo udevadm trigger', then plug the device in again";

// Serial ports of the ROM bootloaders (owned by group dialout on Debian).
inline constexpr const char Serial[]
    = "the user needs membership of the dialout group: run 'sudo usermod -aG dialout $USER', "
      "then log out and in again";

} // namespace AccessHints
