<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About helper</source>
        <translation>About helper</translation>
    </message>
    <message>
        <source>helper, Version 1.0</source>
        <translation>helper, Version 1.0</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CHelperDlg</name>
    <message>
        <source>My Information</source>
        <translation>My Information</translation>
    </message>
    <message>
        <source>Company : </source>
        <translation>Company : </translation>
    </message>
    <message>
        <source>Helper ID : </source>
        <translation>Helper ID : </translation>
    </message>
    <message>
        <source>Expiration Date :</source>
        <translation>Expiration Date :</translation>
    </message>
    <message>
        <source>Customer URL :</source>
        <translation>Customer URL :</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Begin Time : </source>
        <translation>Begin Time : </translation>
    </message>
    <message>
        <source>End Time : </source>
        <translation>End Time : </translation>
    </message>
    <message>
        <source>IP : </source>
        <translation>IP : </translation>
    </message>
    <message>
        <source>O/S : </source>
        <translation>O/S : </translation>
    </message>
    <message>
        <source>Name : </source>
        <translation>Name : </translation>
    </message>
    <message>
        <source>E-mail : </source>
        <translation>E-mail : </translation>
    </message>
    <message>
        <source>Phone : </source>
        <translation>Phone : </translation>
    </message>
    <message>
        <source>Memo : </source>
        <translation>Memo : </translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Access Code</source>
        <translation>Access Code</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>The number of today&apos;s connection : </source>
        <translation>The number of today&apos;s connection : </translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Visit Homepage</source>
        <translation>Visit Homepage</translation>
    </message>
    <message>
        <source>Create Code</source>
        <translation>Create Code</translation>
    </message>
    <message>
        <source>Delete Code</source>
        <translation>Delete Code</translation>
    </message>
    <message>
        <source>Connection History</source>
        <translation>Connection History</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>Dravik</source>
        <translation>Dravik</translation>
    </message>
    <message>
        <source>Solvene</source>
        <translation>Solvene</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>&amp;About helper...</source>
        <translation>&amp;About helper...</translation>
    </message>
    <message>
        <source>Ostiva Login</source>
        <translation>Ostiva Login</translation>
    </message>
    <message>
        <source>Please enter your ID/Password.</source>
        <translation>Please enter your ID/Password.</translation>
    </message>
    <message>
        <source>Please enter ID.</source>
        <translation>Please enter ID.</translation>
    </message>
    <message>
        <source>Please enter PW.</source>
        <translation>Please enter PW.</translation>
    </message>
    <message>
        <source>Login already. Do you login forcely?</source>
        <translation>Login already. Do you login forcely?</translation>
    </message>
    <message>
        <source>Your account was expired.(expired date : %s) Please contact administrator.</source>
        <translation>Your account was expired.(expired date : %s) Please contact administrator.</translation>
    </message>
    <message>
        <source>Wrong ID/PW</source>
        <translation>Wrong ID/PW</translation>
    </message>
    <message>
        <source>Signed in elsewhere. Sign out.</source>
        <translation>Signed in elsewhere. Sign out.</translation>
    </message>
    <message>
        <source>Ostiva</source>
        <translation>Ostiva</translation>
    </message>
    <message>
        <source>Fast &amp; Easy Remote Assistance Software</source>
        <translation>Fast &amp; Easy Remote Assistance Software</translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>Ended</source>
        <translation>Ended</translation>
    </message>
    <message>
        <source>Do you want to exit?</source>
        <translation>Do you want to exit?</translation>
    </message>
    <message>
        <source>You can create code limit 12.</source>
        <translation>You can create code limit 12.</translation>
    </message>
    <message>
        <source>Ostiva Setting</source>
        <translation>Ostiva Setting</translation>
    </message>
    <message>
        <source>You can change serveral settings for the helper.</source>
        <translation>You can change serveral settings for the helper.</translation>
    </message>
    <message>
        <source>Ostiva Report</source>
        <translation>Ostiva Report</translation>
    </message>
    <message>
        <source>You can search your remote assistance histories.</source>
        <translation>You can search your remote assistance histories.</translation>
    </message>
    <message>
        <source>The connection has been lost. Please relogin.</source>
        <translation>The connection has been lost. Please relogin.</translation>
    </message>
    <message>
        <source>There is a viewer already connected. Would you reconnect?</source>
        <translation>There is a viewer already connected. Would you reconnect?</translation>
    </message>
    <message>
        <source>It is connected session. If you delete it, the session is disconnected. Do you want to delete?</source>
        <translation>It is connected session. If you delete it, the session is disconnected. Do you want to delete?</translation>
    </message>
    <message>
        <source>Cannot connect to the server. (%s)</source>
        <translation>Cannot connect to the server. (%s)</translation>
    </message>
    <message>
        <source>The ID is too long. Please enter at most 47 characters.</source>
        <translation>The ID is too long. Please enter at most 47 characters.</translation>
    </message>
    <message>
        <source>The password is too long. Please enter at most 47 characters.</source>
        <translation>The password is too long. Please enter at most 47 characters.</translation>
    </message>
    <message>
        <source>The viewer could not be started. (%s)</source>
        <translation>The viewer could not be started. (%s)</translation>
    </message>
    <message>
        <source>The page could not be opened. (%s)</source>
        <translation>The page could not be opened. (%s)</translation>
    </message>
    <message>
        <source>The login was cancelled.</source>
        <translation>The login was cancelled.</translation>
    </message>
    <message>
        <source>direct connection to %s</source>
        <translation>direct connection to %s</translation>
    </message>
    <message>
        <source>HTTP proxy %s</source>
        <translation>HTTP proxy %s</translation>
    </message>
    <message>
        <source>SOCKS4 proxy %s</source>
        <translation>SOCKS4 proxy %s</translation>
    </message>
    <message>
        <source>SOCKS5 proxy %s</source>
        <translation>SOCKS5 proxy %s</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>the connection was refused</source>
        <translation>the connection was refused</translation>
    </message>
    <message>
        <source>no answer within the time limit</source>
        <translation>no answer within the time limit</translation>
    </message>
    <message>
        <source>the network or host cannot be reached</source>
        <translation>the network or host cannot be reached</translation>
    </message>
    <message>
        <source>the host name cannot be resolved</source>
        <translation>the host name cannot be resolved</translation>
    </message>
    <message>
        <source>no proxy host is set</source>
        <translation>no proxy host is set</translation>
    </message>
    <message>
        <source>the proxy refused the tunnel (status %s)</source>
        <translation>the proxy refused the tunnel (status %s)</translation>
    </message>
    <message>
        <source>the proxy refused the user name or password</source>
        <translation>the proxy refused the user name or password</translation>
    </message>
    <message>
        <source>the proxy asks for a user name and password, and none is set</source>
        <translation>the proxy asks for a user name and password, and none is set</translation>
    </message>
    <message>
        <source>the proxy asks for an authentication method that is not supported</source>
        <translation>the proxy asks for an authentication method that is not supported</translation>
    </message>
    <message>
        <source>a name or credential is too long for the proxy request</source>
        <translation>a name or credential is too long for the proxy request</translation>
    </message>
    <message>
        <source>the answer of the proxy cannot be read</source>
        <translation>the answer of the proxy cannot be read</translation>
    </message>
    <message>
        <source>the answer of the proxy is too large</source>
        <translation>the answer of the proxy is too large</translation>
    </message>
    <message>
        <source>the connection was closed</source>
        <translation>the connection was closed</translation>
    </message>
    <message>
        <source>sending failed</source>
        <translation>sending failed</translation>
    </message>
    <message>
        <source>the system could not open a connection</source>
        <translation>the system could not open a connection</translation>
    </message>
    <message>
        <source>The settings could not be saved to %s.</source>
        <translation>The settings could not be saved to %s.</translation>
    </message>
</context>
</TS>
