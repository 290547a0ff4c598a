#pragma once
// The installer's modal messages: shown through the tools module's message
// service without an owner window, and written to the log either way, so a
// run without a message service (or an unattended one) still says what it
// would have asked. Texts arrive already translated.

#include "foundation/KsString.h"

// One OK button. Answers IDOK, or IDCANCEL when the message was closed.
int ShowInformation(const KsString& title, const KsString& text);
// Yes and No buttons. Answers IDYES or IDNO; without a message service the
// question counts as answered with its default, Yes.
int AskYesNo(const KsString& title, const KsString& text);
