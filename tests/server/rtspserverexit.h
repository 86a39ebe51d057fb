#pragma once

// How zelka_rtsp_server ends before it listens, so that the process that started it can say
// why: shared by the program and RtspServerProcess.
namespace RtspServerExit {

constexpr int CannotListen = 1; // any other failure to listen (see its output)
constexpr int Usage = 2;        // a wrong command line
constexpr int PortTaken = 3;    // another socket holds the port asked for

} // namespace RtspServerExit
