<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
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
</context>
</TS>
