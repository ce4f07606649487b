// quillo-hotkey-press SOCKET: tells the running Quillo that the hotkey went down. GNOME's
// custom shortcut runs it on the press and again on every key repeat, some thirty times a
// second while the key is held, so it is a program of its own with nothing to load but the C
// library: Quillo itself would take tens of milliseconds of processor time per run.
#include "app/HotkeyMessages.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

// Only to a Quillo of this user.
bool peerIsThisUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == getuid();
}

}  // namespace

int main(int argc, char* argv[]) {
    sockaddr_un address{};
    if (argc != 2 || std::strlen(argv[1]) == 0 || std::strlen(argv[1]) >= sizeof address.sun_path) {
        static constexpr char usage[] = "Usage: quillo-hotkey-press SOCKET\n";
        [[maybe_unused]] const auto written = write(STDERR_FILENO, usage, sizeof usage - 1);
        return 2;
    }
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, argv[1]);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 1;
    }
    const size_t length = sizeof HotkeyMessages::press - 1;
    const bool sent =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        peerIsThisUser(fd) &&
        send(fd, HotkeyMessages::press, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
    close(fd);
    return sent ? 0 : 1;
}
