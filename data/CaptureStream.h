#pragma once

#include <QByteArray>

// The in-memory byte stream of a download (also used once by the import's integrity pass).
namespace CaptureStream {
void Create();
void Append(const QByteArray& bytes);
bool Exists();
const QByteArray& Bytes();
void Release();
} // namespace CaptureStream

bool CheckDownloadCrc(); // over CaptureStream
