<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
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
        <translation>情報</translation>
    </message>
    <message>
        <source>Company : </source>
        <translation>会社名 : </translation>
    </message>
    <message>
        <source>Helper ID : </source>
        <translation>使用ID : </translation>
    </message>
    <message>
        <source>Expiration Date :</source>
        <translation>使用期限 :</translation>
    </message>
    <message>
        <source>Customer URL :</source>
        <translation>URL :</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>履歴</translation>
    </message>
    <message>
        <source>Begin Time : </source>
        <translation>開始時間 : </translation>
    </message>
    <message>
        <source>End Time : </source>
        <translation>終了時間 : </translation>
    </message>
    <message>
        <source>IP : </source>
        <translation>IPアドレス : </translation>
    </message>
    <message>
        <source>O/S : </source>
        <translation>使用O/S : </translation>
    </message>
    <message>
        <source>Name : </source>
        <translation>お名前 : </translation>
    </message>
    <message>
        <source>E-mail : </source>
        <translation>メール : </translation>
    </message>
    <message>
        <source>Phone : </source>
        <translation>電話番号 : </translation>
    </message>
    <message>
        <source>Memo : </source>
        <translation>内容 : </translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Access Code</source>
        <translation>認証コード番号</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>生成</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>接続</translation>
    </message>
    <message>
        <source>The number of today&apos;s connection : </source>
        <translation>今日のサポート接続回数 : </translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Visit Homepage</source>
        <translation>お知らせ</translation>
    </message>
    <message>
        <source>Create Code</source>
        <translation>生成</translation>
    </message>
    <message>
        <source>Delete Code</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Connection History</source>
        <translation>接続履歴</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>リンク</translation>
    </message>
    <message>
        <source>Dravik</source>
        <translation>ドラヴィク（Dravik）</translation>
    </message>
    <message>
        <source>Solvene</source>
        <translation>ソルヴェン（Solvene）</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
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
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>はい(&amp;Y)</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>いいえ(&amp;N)</translation>
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
        <translation>Ostiva ログイン</translation>
    </message>
    <message>
        <source>Please enter your ID/Password.</source>
        <translation>ID/Passwordを入力してください。</translation>
    </message>
    <message>
        <source>Please enter ID.</source>
        <translation>IDを入力してください。</translation>
    </message>
    <message>
        <source>Please enter PW.</source>
        <translation>パスワードを入力してくささい。</translation>
    </message>
    <message>
        <source>Login already. Do you login forcely?</source>
        <translation>既にログインしています。ログインしますか?</translation>
    </message>
    <message>
        <source>Your account was expired.(expired date : %s) Please contact administrator.</source>
        <translation>有効期限が過ぎました。(有効期限 : %s) 管理者へ連絡してください。</translation>
    </message>
    <message>
        <source>Wrong ID/PW</source>
        <translation>ID/PWが違います。</translation>
    </message>
    <message>
        <source>Signed in elsewhere. Sign out.</source>
        <translation>他の場所でログインされました。ログアウトします。</translation>
    </message>
    <message>
        <source>Ostiva</source>
        <translation>Ostiva</translation>
    </message>
    <message>
        <source>Fast &amp; Easy Remote Assistance Software</source>
        <translation>早い、簡単&#x3000;リモートサポート専門ツール</translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation>待機中</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>準備完了</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>接続中</translation>
    </message>
    <message>
        <source>Ended</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Do you want to exit?</source>
        <translation>プログラムを終了しますか？</translation>
    </message>
    <message>
        <source>You can create code limit 12.</source>
        <translation>認証コード番号は12個まで生成できます。</translation>
    </message>
    <message>
        <source>Ostiva Setting</source>
        <translation>Ostiva 設定</translation>
    </message>
    <message>
        <source>You can change serveral settings for the helper.</source>
        <translation>詳細設定を行います。</translation>
    </message>
    <message>
        <source>Ostiva Report</source>
        <translation>Ostiva 履歴</translation>
    </message>
    <message>
        <source>You can search your remote assistance histories.</source>
        <translation>遠隔サポート履歴を照会することができません。</translation>
    </message>
    <message>
        <source>The connection has been lost. Please relogin.</source>
        <translation>サーバーとの接続が円滑ではありません。再度接続してください。</translation>
    </message>
    <message>
        <source>There is a viewer already connected. Would you reconnect?</source>
        <translation>すでに接続されてるビュアーがありますが、接続されますか？</translation>
    </message>
    <message>
        <source>It is connected session. If you delete it, the session is disconnected. Do you want to delete?</source>
        <translation>接続中のセクションです。削除されますか？削除されると接続中遠隔も切断されますか❗</translation>
    </message>
    <message>
        <source>Cannot connect to the server. (%s)</source>
        <translation>サーバーに接続できません。(%s)</translation>
    </message>
    <message>
        <source>The ID is too long. Please enter at most 47 characters.</source>
        <translation>IDが長すぎます。47文字以内で入力してください。</translation>
    </message>
    <message>
        <source>The password is too long. Please enter at most 47 characters.</source>
        <translation>パスワードが長すぎます。47文字以内で入力してください。</translation>
    </message>
    <message>
        <source>The viewer could not be started. (%s)</source>
        <translation>ビュアーを起動できませんでした。(%s)</translation>
    </message>
    <message>
        <source>The page could not be opened. (%s)</source>
        <translation>ページを開けませんでした。(%s)</translation>
    </message>
    <message>
        <source>The login was cancelled.</source>
        <translation>ログインがキャンセルされました。</translation>
    </message>
    <message>
        <source>direct connection to %s</source>
        <translation>%s への直接接続</translation>
    </message>
    <message>
        <source>HTTP proxy %s</source>
        <translation>HTTPプロキシ %s</translation>
    </message>
    <message>
        <source>SOCKS4 proxy %s</source>
        <translation>SOCKS4プロキシ %s</translation>
    </message>
    <message>
        <source>SOCKS5 proxy %s</source>
        <translation>SOCKS5プロキシ %s</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>失敗しました</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>キャンセルされました</translation>
    </message>
    <message>
        <source>the connection was refused</source>
        <translation>接続が拒否されました</translation>
    </message>
    <message>
        <source>no answer within the time limit</source>
        <translation>制限時間内に応答がありません</translation>
    </message>
    <message>
        <source>the network or host cannot be reached</source>
        <translation>ネットワークまたはホストに到達できません</translation>
    </message>
    <message>
        <source>the host name cannot be resolved</source>
        <translation>ホスト名を解決できません</translation>
    </message>
    <message>
        <source>no proxy host is set</source>
        <translation>プロキシのホストが設定されていません</translation>
    </message>
    <message>
        <source>the proxy refused the tunnel (status %s)</source>
        <translation>プロキシがトンネルを拒否しました (ステータス %s)</translation>
    </message>
    <message>
        <source>the proxy refused the user name or password</source>
        <translation>プロキシがユーザー名またはパスワードを拒否しました</translation>
    </message>
    <message>
        <source>the proxy asks for a user name and password, and none is set</source>
        <translation>プロキシがユーザー名とパスワードを求めていますが、設定されていません</translation>
    </message>
    <message>
        <source>the proxy asks for an authentication method that is not supported</source>
        <translation>プロキシが対応していない認証方式を求めています</translation>
    </message>
    <message>
        <source>a name or credential is too long for the proxy request</source>
        <translation>名前または認証情報が長すぎるため、プロキシに要求を送れません</translation>
    </message>
    <message>
        <source>the answer of the proxy cannot be read</source>
        <translation>プロキシの応答を読み取れません</translation>
    </message>
    <message>
        <source>the answer of the proxy is too large</source>
        <translation>プロキシの応答が大きすぎます</translation>
    </message>
    <message>
        <source>the connection was closed</source>
        <translation>接続が切断されました</translation>
    </message>
    <message>
        <source>sending failed</source>
        <translation>送信に失敗しました</translation>
    </message>
    <message>
        <source>the system could not open a connection</source>
        <translation>システムが接続を開けませんでした</translation>
    </message>
    <message>
        <source>The settings could not be saved to %s.</source>
        <translation>設定を %s に保存できませんでした。</translation>
    </message>
</context>
</TS>
