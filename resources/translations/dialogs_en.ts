<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>CLoginDlg</name>
    <message>
        <source>ID : </source>
        <translation>ID : </translation>
    </message>
    <message>
        <source>Password : </source>
        <translation>Password : </translation>
    </message>
    <message>
        <source>Save Password</source>
        <translation>Save Password</translation>
    </message>
    <message>
        <source>Auto Login</source>
        <translation>Auto Login</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Signing in...</source>
        <translation>Signing in...</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Cancelling...</translation>
    </message>
</context>
<context>
    <name>CSettingDlg</name>
    <message>
        <source>Ostiva - Setting</source>
        <translation>Ostiva - Setting</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>Save Password</source>
        <translation>Save Password</translation>
    </message>
    <message>
        <source>Auto Login</source>
        <translation>Auto Login</translation>
    </message>
    <message>
        <source>Proxy Server</source>
        <translation>Proxy Server</translation>
    </message>
    <message>
        <source>Use Proxy Server</source>
        <translation>Use Proxy Server</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>Server  : </source>
        <translation>Server  : </translation>
    </message>
    <message>
        <source>Port : </source>
        <translation>Port : </translation>
    </message>
    <message>
        <source>ID : </source>
        <translation>ID : </translation>
    </message>
    <message>
        <source>Password : </source>
        <translation>Password : </translation>
    </message>
    <message>
        <source>Viewer</source>
        <translation>Viewer</translation>
    </message>
    <message>
        <source>Control at the start</source>
        <translation>Control at the start</translation>
    </message>
    <message>
        <source>Auto Recording</source>
        <translation>Auto Recording</translation>
    </message>
    <message>
        <source>Screen Scale :</source>
        <translation>Screen Scale :</translation>
    </message>
    <message>
        <source>Quality/Speed :</source>
        <translation>Quality/Speed :</translation>
    </message>
    <message>
        <source>* Viewer settings are applied from the next connection.</source>
        <translation>* Viewer settings are applied from the next connection.</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ReportDlg</name>
    <message>
        <source>Ostiva - Report</source>
        <translation>Ostiva - Report</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
