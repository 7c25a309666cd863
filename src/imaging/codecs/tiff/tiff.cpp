// SPDX-License-Identifier: GPL-3.0-or-later
// The TIFF codec table entry, libtiff options, and the multi-page writer.
#include "imaging/codecs/tiff/tiff.h"

#include <cstdarg>
#include <cstdio>

#include "imaging/codecs/tiff/tiff_internal.h"

namespace braxel::imaging {
namespace tiff {
namespace {

int OnError(TIFF*, void* user, const char* module, const char* format, va_list args) {
  auto* diagnostics = static_cast<Diagnostics*>(user);
  if (diagnostics->errors++ == 0) {
    char text[400];
    std::vsnprintf(text, sizeof text, format, args);
    std::snprintf(diagnostics->firstError, sizeof diagnostics->firstError, "%s%s%s",
                  module ? module : "", module ? ": " : "", text);
  }
  return 1;  // handled: libtiff's global handler stays silent
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

OpenOptions MakeOpenOptions(Diagnostics& diagnostics, uint64_t maxSingleAllocation) {
  OpenOptions options(TIFFOpenOptionsAlloc());
  if (!options) return options;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &diagnostics);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &diagnostics);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(maxSingleAllocation));
  return options;
}

bool Probe(Bytes head) {
  if (head.size() < 4) return false;
  const bool little = head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0;
  const bool big = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
  return little || big;
}

Status Save(const Image& image, const SaveOptions& options, AtomicOutputFile& out) {
  auto writer = TiffWriter::Open(out);
  if (!writer) return writer.status();
  if (Status page = (*writer)->WritePage(image, options, false); !page) return page;
  return (*writer)->Close();
}

}  // namespace tiff

Codec TiffCodec() { return {3, "TIFF", tiff::Probe, tiff::PageCount, tiff::Load, tiff::Save}; }

Result<std::unique_ptr<MultiPageTiffWriter>> MultiPageTiffWriter::Start(const std::string& path) {
  auto out = AtomicOutputFile::Create(path);
  if (!out) return out.status();
  std::unique_ptr<MultiPageTiffWriter> multi(new MultiPageTiffWriter());
  multi->out_ = std::move(out.value());
  auto writer = TiffWriter::Open(multi->out_);
  if (!writer) return writer.status();
  multi->writer_ = std::move(writer.value());
  return multi;
}

MultiPageTiffWriter::~MultiPageTiffWriter() {
  writer_.reset();  // closes the descriptor before the temporary file is removed
  out_.Abandon();
}

Status MultiPageTiffWriter::AddPage(const Image& image, const SaveOptions& options) {
  if (!writer_) return Status::Fail("the multi-page TIFF is already complete");
  Status written = writer_->WritePage(image, options, true);
  if (written) ++pages_;
  return written;
}

Status MultiPageTiffWriter::Finish(bool durable) {
  if (!writer_) return Status::Fail("the multi-page TIFF is already complete");
  Status closed = writer_->Close();
  writer_.reset();
  if (!closed) {
    out_.Abandon();
    return closed;
  }
  return out_.Commit(durable);
}

}  // namespace braxel::imaging
