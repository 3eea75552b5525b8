// Shared equipment of the OTP widget tests: a temporary application directory
// with a one-SoC catalogue (128 OTP words; word 1 with LIFE_CYCLE, JTAG_DISABLE
// and DEBUG_DISABLE, word 2 with an input and a check, words 12..15 SECRET), an
// empty project selecting it, and message boxes answered by script.
#pragma once

#include "tempappdir.h"

#include <QMessageBox>

namespace OtpTest {

inline QByteArray catalogue()
{
    QByteArray xml
        = "<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
          "<soc name=\"T1\" vid=\"0x34B7\" pid=\"0x0009\">"
          "<memoryView><memory name=\"ILM\" value=\"0\"/><memory name=\"OTP\" value=\"0x20000\"/></memoryView>"
          "<fuseMap>"
          "<word index=\"0\" type=\"SECURE\" desc=\"LOCK\"><field name=\"OTP_LOCK\" offset=\"0\" width=\"32\" "
          "type=\"none\"/></word>"
          "<word index=\"1\" type=\"SECURE\" desc=\"SECURITY\">"
          "<field name=\"LIFE_CYCLE\" offset=\"0,28\" width=\"4\" desc=\"Life cycle state\" type=\"select\">"
          "<item value=\"0\">CREATE</item><item value=\"3\">RETURN</item><item value=\"17\">BAD</item></field>"
          "<field name=\"JTAG_DISABLE\" offset=\"16\" width=\"1\" desc=\"Disable the JTAG port\" type=\"check\"/>"
          "<field name=\"DEBUG_DISABLE\" offset=\"17\" width=\"1\" desc=\"Disable the debug port\" "
          "type=\"check\"/></word>"
          "<word index=\"2\" type=\"SECURE\" desc=\"SECURITY\">"
          "<field name=\"KEY_REVOKE\" offset=\"4\" width=\"4\" desc=\"Revoked key mask\" default=\"0\" "
          "type=\"input\"/></word>";
    for (int i = 3; i < 128; ++i) {
        const char* type = (i >= 12 && i < 16) ? "SECRET" : (i >= 8 && i < 12) ? "IDENTIFY" : "GENERAL";
        xml += QStringLiteral("<word index=\"%1\" type=\"%2\" desc=\"W\"><field name=\"F%1\" offset=\"0\" "
                              "width=\"32\" type=\"none\"/></word>")
                   .arg(i)
                   .arg(QLatin1String(type))
                   .toLatin1();
    }
    xml += "</fuseMap></soc></socs></configuration>";
    return xml;
}

struct AppDir : TempAppDir
{
    AppDir()
        : TempAppDir(catalogue(), QStringLiteral("T1"))
    {
        ProjectConfig::instance().saveDefault();
    }
};

// A message box as the user saw it.
struct Shown
{
    int icon = 0;
    QString title;
    QString text;
};

} // namespace OtpTest
