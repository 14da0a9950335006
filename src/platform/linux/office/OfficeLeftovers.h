#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

// What an office leaves outside its process when it is killed instead of
// asked to quit, and how this program finds and clears it.
namespace pravik::office {

// The two places the office's runtime puts the socket of a named pipe.
std::vector<std::string> pipeSocketPaths(const std::string& pipeName);

enum class PipeOwner { Missing, Ours, Stranger };
// Whether the pipe's socket exists and is a socket of this user. Anything
// else under that name (another user's file, a plain file, a link) is a
// stranger's and must never be connected to.
PipeOwner pipeOwner(const std::string& pipeName);

// Removes the pipe's sockets that are this user's (a killed office's).
void removePipeSockets(const std::string& pipeName);

// A pipe name no other local user can guess; `prefix` keeps it recognisable.
std::string unpredictablePipeName(const std::string& prefix);

// This user's processes started with the office argument that names the
// profile (`-env:UserInstallation=<profileUrl>`): offices of an earlier copy
// of this program that was killed together with its guardian.
std::vector<pid_t> processesUsingProfile(const std::string& profileUrl);

// Ends those processes (they are never talked to) and removes the sockets
// of the pipes they accepted on. Returns how many were ended.
int endOrphans(const std::string& profileUrl);

} // namespace pravik::office
