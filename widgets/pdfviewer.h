#pragma once

// Whether the desktop names a program for PDF files. Its opener starts
// without one and fails only afterwards, unseen; so the desktop's own
// lookup is asked where it exists. Without that lookup the opening itself
// has to tell, and the answer is yes.
namespace PdfViewer {

bool available();

} // namespace PdfViewer
