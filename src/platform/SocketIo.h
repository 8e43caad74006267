#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The few calls on a connected TCP socket that a bounded HTTP exchange needs, for sockets
// that a server library accepted. A socket is its system handle as a number.
namespace SocketIo {
// Waits at most timeoutMs for bytes, then reads what is there: the count, 0 at the end of the
// stream, -1 on an error or when the time ran out.
long Receive(std::intptr_t socket, char* buffer, std::size_t size, int timeoutMs);
// Waits at most timeoutMs for room, then writes what fits: the count, or -1.
long Send(std::intptr_t socket, const char* bytes, std::size_t size, int timeoutMs);
// Bytes are waiting, or the peer has closed.
bool Readable(std::intptr_t socket);
// The numeric address and port of the peer (remote) or of this end; empty and -1 when unknown.
void Address(std::intptr_t socket, bool remote, std::string& ip, int& port);
void ShutdownAndClose(std::intptr_t socket);
// For a listening socket: a restart may bind again at once, and no other process may bind the
// same port beside it.
void ListenAlone(std::intptr_t socket);
// For a listening socket: how many connections may wait to be accepted.
void Backlog(std::intptr_t socket, int connections);
}  // namespace SocketIo
