<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>StringTable</name>
    <message>
        <source>&amp;About helper...</source>
        <extracomment>string 101</extracomment>
        <translation>&amp;About helper...</translation>
    </message>
    <message>
        <source>Ostiva Login</source>
        <extracomment>string 102</extracomment>
        <translation>Ostiva Login</translation>
    </message>
    <message>
        <source>Please enter your ID/Password.</source>
        <extracomment>string 103</extracomment>
        <translation>Please enter your ID/Password.</translation>
    </message>
    <message>
        <source>Please enter ID.</source>
        <extracomment>string 104</extracomment>
        <translation>Please enter ID.</translation>
    </message>
    <message>
        <source>Please enter PW.</source>
        <extracomment>string 105</extracomment>
        <translation>Please enter PW.</translation>
    </message>
    <message>
        <source>Login already. Do you login forcely?</source>
        <extracomment>string 106</extracomment>
        <translation>Login already. Do you login forcely?</translation>
    </message>
    <message>
        <source>Your account was expired.(expired date : %s) Please contact administrator.</source>
        <extracomment>string 107</extracomment>
        <translation>Your account was expired.(expired date : %s) Please contact administrator.</translation>
    </message>
    <message>
        <source>Wrong ID/PW</source>
        <extracomment>string 108</extracomment>
        <translation>Wrong ID/PW</translation>
    </message>
    <message>
        <source>Signed in elsewhere. Sign out.</source>
        <extracomment>string 109</extracomment>
        <translation>Signed in elsewhere. Sign out.</translation>
    </message>
    <message>
        <source>Ostiva</source>
        <extracomment>string 110</extracomment>
        <translation>Ostiva</translation>
    </message>
    <message>
        <source>Fast &amp; Easy Remote Assistance Software</source>
        <extracomment>string 111</extracomment>
        <translation>Fast &amp; Easy Remote Assistance Software</translation>
    </message>
    <message>
        <source>Waiting</source>
        <extracomment>string 114</extracomment>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>Ready</source>
        <extracomment>string 115</extracomment>
        <translation>Ready</translation>
    </message>
    <message>
        <source>Connected</source>
        <extracomment>string 116</extracomment>
        <translation>Connected</translation>
    </message>
    <message>
        <source>Ended</source>
        <extracomment>string 117</extracomment>
        <translation>Ended</translation>
    </message>
    <message>
        <source>Do you want to exit?</source>
        <extracomment>string 118</extracomment>
        <translation>Do you want to exit?</translation>
    </message>
    <message>
        <source>You can create code limit 12.</source>
        <extracomment>string 119</extracomment>
        <translation>You can create code limit 12.</translation>
    </message>
    <message>
        <source>Ostiva Setting</source>
        <extracomment>string 120</extracomment>
        <translation>Ostiva Setting</translation>
    </message>
    <message>
        <source>You can change serveral settings for the helper.</source>
        <extracomment>string 121</extracomment>
        <translation>You can change serveral settings for the helper.</translation>
    </message>
    <message>
        <source>Ostiva Report</source>
        <extracomment>string 122</extracomment>
        <translation>Ostiva Report</translation>
    </message>
    <message>
        <source>You can search your remote assistance histories.</source>
        <extracomment>string 123</extracomment>
        <translation>You can search your remote assistance histories.</translation>
    </message>
    <message>
        <source>The connection has been lost. Please relogin.</source>
        <extracomment>string 124</extracomment>
        <translation>The connection has been lost. Please relogin.</translation>
    </message>
    <message>
        <source>There is a viewer already connected. Would you reconnect?</source>
        <extracomment>string 125</extracomment>
        <translation>There is a viewer already connected. Would you reconnect?</translation>
    </message>
    <message>
        <source>It is connected session. If you delete it, the session is disconnected. Do you want to delete?</source>
        <extracomment>string 126</extracomment>
        <translation>It is connected session. If you delete it, the session is disconnected. Do you want to delete?</translation>
    </message>
    <message>
        <source>Cannot connect to the server. (%s)</source>
        <extracomment>string 1001</extracomment>
        <translation>Cannot connect to the server. (%s)</translation>
    </message>
    <message>
        <source>The ID is too long. Please enter at most 47 characters.</source>
        <extracomment>string 1002</extracomment>
        <translation>The ID is too long. Please enter at most 47 characters.</translation>
    </message>
    <message>
        <source>The password is too long. Please enter at most 47 characters.</source>
        <extracomment>string 1003</extracomment>
        <translation>The password is too long. Please enter at most 47 characters.</translation>
    </message>
    <message>
        <source>The viewer could not be started. (%s)</source>
        <extracomment>string 1004</extracomment>
        <translation>The viewer could not be started. (%s)</translation>
    </message>
    <message>
        <source>The page could not be opened. (%s)</source>
        <extracomment>string 1005</extracomment>
        <translation>The page could not be opened. (%s)</translation>
    </message>
    <message>
        <source>The login was cancelled.</source>
        <extracomment>string 1006</extracomment>
        <translation>The login was cancelled.</translation>
    </message>
</context>
</TS>
