// SPDX-License-Identifier: MIT
#include "StopSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

int g_stopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    (void)!::write(g_stopPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void WatchStopSignals(QObject* parent, std::function<void(int signal)> onStop)
{
    if (g_stopPipe[0] < 0 && ::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default action: the program ends at once
    auto* notifier = new QSocketNotifier(g_stopPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [onStop = std::move(onStop)] {
        unsigned char byte = 0;
        while (::read(g_stopPipe[0], &byte, 1) == 1)
            onStop(byte);
    });
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGHUP, SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
}
