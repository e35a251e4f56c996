<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>CLoginDlg</name>
    <message>
        <source>ID : </source>
        <translation>ID : </translation>
    </message>
    <message>
        <source>Password : </source>
        <translation>パスワード : </translation>
    </message>
    <message>
        <source>Save Password</source>
        <translation>パスワード保存</translation>
    </message>
    <message>
        <source>Auto Login</source>
        <translation>自動ログイン</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>ログイン</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Signing in...</source>
        <translation>ログインしています...</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>取り消しています...</translation>
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
        <translation>ログイン</translation>
    </message>
    <message>
        <source>Save Password</source>
        <translation>パスワード保存</translation>
    </message>
    <message>
        <source>Auto Login</source>
        <translation>自動ログイン</translation>
    </message>
    <message>
        <source>Proxy Server</source>
        <translation>プロキシサーバー</translation>
    </message>
    <message>
        <source>Use Proxy Server</source>
        <translation>プロキシサーバー使用</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手動</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>Server  : </source>
        <translation>サーバー : </translation>
    </message>
    <message>
        <source>Port : </source>
        <translation>ポート : </translation>
    </message>
    <message>
        <source>ID : </source>
        <translation>ID : </translation>
    </message>
    <message>
        <source>Password : </source>
        <translation>パスワード: </translation>
    </message>
    <message>
        <source>Viewer</source>
        <translation>ビュアー</translation>
    </message>
    <message>
        <source>Control at the start</source>
        <translation>制御開始設定</translation>
    </message>
    <message>
        <source>Auto Recording</source>
        <translation>自動録画</translation>
    </message>
    <message>
        <source>Screen Scale :</source>
        <translation>表示設定:</translation>
    </message>
    <message>
        <source>Quality/Speed :</source>
        <translation>画質/速度:</translation>
    </message>
    <message>
        <source>* Viewer settings are applied from the next connection.</source>
        <translation>* ビュアー設定は次回の接続に適用されます。</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>既定設定</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
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
        <translation>終了</translation>
    </message>
</context>
</TS>
