<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
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
        <translation>Ostiva ログイン</translation>
    </message>
    <message>
        <source>Please enter your ID/Password.</source>
        <extracomment>string 103</extracomment>
        <translation>ID/Passwordを入力してください。</translation>
    </message>
    <message>
        <source>Please enter ID.</source>
        <extracomment>string 104</extracomment>
        <translation>IDを入力してください。</translation>
    </message>
    <message>
        <source>Please enter PW.</source>
        <extracomment>string 105</extracomment>
        <translation>パスワードを入力してくささい。</translation>
    </message>
    <message>
        <source>Login already. Do you login forcely?</source>
        <extracomment>string 106</extracomment>
        <translation>既にログインしています。ログインしますか?</translation>
    </message>
    <message>
        <source>Your account was expired.(expired date : %s) Please contact administrator.</source>
        <extracomment>string 107</extracomment>
        <translation>有効期限が過ぎました。(有効期限 : %s) 管理者へ連絡してください。</translation>
    </message>
    <message>
        <source>Wrong ID/PW</source>
        <extracomment>string 108</extracomment>
        <translation>ID/PWが違います。</translation>
    </message>
    <message>
        <source>Signed in elsewhere. Sign out.</source>
        <extracomment>string 109</extracomment>
        <translation>他の場所でログインされました。ログアウトします。</translation>
    </message>
    <message>
        <source>Ostiva</source>
        <extracomment>string 110</extracomment>
        <translation>Ostiva</translation>
    </message>
    <message>
        <source>Fast &amp; Easy Remote Assistance Software</source>
        <extracomment>string 111</extracomment>
        <translation>早い、簡単　リモートサポート専門ツール</translation>
    </message>
    <message>
        <source>Waiting</source>
        <extracomment>string 114</extracomment>
        <translation>待機中</translation>
    </message>
    <message>
        <source>Ready</source>
        <extracomment>string 115</extracomment>
        <translation>準備完了</translation>
    </message>
    <message>
        <source>Connected</source>
        <extracomment>string 116</extracomment>
        <translation>接続中</translation>
    </message>
    <message>
        <source>Ended</source>
        <extracomment>string 117</extracomment>
        <translation>終了</translation>
    </message>
    <message>
        <source>Do you want to exit?</source>
        <extracomment>string 118</extracomment>
        <translation>プログラムを終了しますか？</translation>
    </message>
    <message>
        <source>You can create code limit 12.</source>
        <extracomment>string 119</extracomment>
        <translation>認証コード番号は12個まで生成できます。</translation>
    </message>
    <message>
        <source>Ostiva Setting</source>
        <extracomment>string 120</extracomment>
        <translation>Ostiva 設定</translation>
    </message>
    <message>
        <source>You can change serveral settings for the helper.</source>
        <extracomment>string 121</extracomment>
        <translation>詳細設定を行います。</translation>
    </message>
    <message>
        <source>Ostiva Report</source>
        <extracomment>string 122</extracomment>
        <translation>Ostiva 履歴</translation>
    </message>
    <message>
        <source>You can search your remote assistance histories.</source>
        <extracomment>string 123</extracomment>
        <translation>遠隔サポート履歴を照会することができません。</translation>
    </message>
    <message>
        <source>The connection has been lost. Please relogin.</source>
        <extracomment>string 124</extracomment>
        <translation>サーバーとの接続が円滑ではありません。再度接続してください。</translation>
    </message>
    <message>
        <source>There is a viewer already connected. Would you reconnect?</source>
        <extracomment>string 125</extracomment>
        <translation>すでに接続されてるビュアーがありますが、接続されますか？</translation>
    </message>
    <message>
        <source>It is connected session. If you delete it, the session is disconnected. Do you want to delete?</source>
        <extracomment>string 126</extracomment>
        <translation>接続中のセクションです。削除されますか？削除されると接続中遠隔も切断されますか❗</translation>
    </message>
    <message>
        <source>Cannot connect to the server. (%s)</source>
        <extracomment>string 1001</extracomment>
        <translation>サーバーに接続できません。(%s)</translation>
    </message>
    <message>
        <source>The ID is too long. Please enter at most 47 characters.</source>
        <extracomment>string 1002</extracomment>
        <translation>IDが長すぎます。47文字以内で入力してください。</translation>
    </message>
    <message>
        <source>The password is too long. Please enter at most 47 characters.</source>
        <extracomment>string 1003</extracomment>
        <translation>パスワードが長すぎます。47文字以内で入力してください。</translation>
    </message>
    <message>
        <source>The viewer could not be started. (%s)</source>
        <extracomment>string 1004</extracomment>
        <translation>ビュアーを起動できませんでした。(%s)</translation>
    </message>
    <message>
        <source>The page could not be opened. (%s)</source>
        <extracomment>string 1005</extracomment>
        <translation>ページを開けませんでした。(%s)</translation>
    </message>
    <message>
        <source>The login was cancelled.</source>
        <extracomment>string 1006</extracomment>
        <translation>ログインがキャンセルされました。</translation>
    </message>
</context>
</TS>
