// Per-file registrations the file record asks for: fonts, shared-library
// counts, and the queue of files that register themselves after the copy.
#pragma once

#define SELF_REG_QUEUE_SIZE 2048

enum SelfRegKind { SELFREG_SERVER = 1, SELFREG_SERVER_VARIANT = 2, SELFREG_TYPELIB = 3, SELFREG_TYPELIB_VARIANT = 4 };

void RegisterFont(const char *fontName, const char *path);
void RaiseSharedCount(const char *path);
// Returns 0 when the queue is full (the file is then not queued).
int QueueSelfRegistration(int kind, const char *path);
int SelfRegistrationCount();
// Kind and path of queued entry i (0-based); 0 when there is none.
int QueuedSelfRegistration(int i, const char **path);
// Registers the queued files in order; stops at the first failure.
void RegisterQueuedFiles();
void EmptySelfRegistrationQueue();
