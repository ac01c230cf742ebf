// SPDX-License-Identifier: MIT
#pragma once

// SIGHUP, SIGINT and SIGTERM as a close request: the handler only writes a byte to a pipe,
// and the event loop reads it and calls `onStop` on the main thread, also while a
// long scatter or step is looking at its events between chunks.

#include <functional>

class QObject;

// Installs the handlers; `parent` owns the notifier that calls `onStop`.
void WatchStopSignals(QObject* parent, std::function<void(int signal)> onStop);
