<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>kxhost::HostWindow</name>
    <message>
        <location filename="../host_window.cpp" line="+48"/>
        <source>Kestrafix host</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Search jobs (* ? # [list])</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Shows the jobs that hold this text in any column, without regard to case.
* stands for any text, ? for one character, # for one digit, [abc] for one of them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <location line="+164"/>
        <source>No host configuration open.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-158"/>
        <source>&amp;Open configuration…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;New job…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Replace…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Undo last replace…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Re&amp;fresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;User guide</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;About Kestrafix host</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open &amp;recent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Jobs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Jobs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Open host configuration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Host configuration (*.cfg *.ini);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <location line="+33"/>
        <source>%n job(s)</source>
        <translation>
            <numerusform>%n job</numerusform>
            <numerusform>%n jobs</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%1 of %n job(s)</source>
        <translation>
            <numerusform>%1 of %n job</numerusform>
            <numerusform>%1 of %n jobs</numerusform>
        </translation>
    </message>
    <message>
        <location line="+10"/>
        <location line="+201"/>
        <location line="+6"/>
        <source>Kestrafix add-in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-201"/>
        <source>The add-in %1 is not registered (%2), and no libkestrafix.so was found beside kestrafix-host to register.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+6"/>
        <location line="+8"/>
        <source>Add-in not registered</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-10"/>
        <source>The add-in %1 is not registered (%2).

Register %3 now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The add-in %1 could not be registered:
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The add-in registered as %1 could not be loaded:
%2

%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Add-in not loaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Host configuration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Kestrafix host - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The host configuration file %1 does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The host configuration file %1 names no job database ([TORVEL] DbName).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+24"/>
        <source>No job database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-6"/>
        <source>The job database %1 does not exist.

It is named by [TORVEL] DbName in %2. Drive letters are found through the drive map (KESTRAFIX_DRIVE_MAP).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The job database %1 could not be opened:
%2

It is named by [TORVEL] DbName in %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+32"/>
        <source>Job database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-20"/>
        <source>Message file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The message file of this configuration is missing:
%1

The new-job dialog shows empty captions and messages until it is there.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Opened %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The job table could not be read again:
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The search &quot;%1&quot; cannot be read: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+73"/>
        <location line="+49"/>
        <source>Open a host configuration with a job database first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-42"/>
        <source>The add-in %1 could not create its object.
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>New job %1 created</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <location line="+6"/>
        <source>%n job(s) changed</source>
        <translation>
            <numerusform>%n job changed</numerusform>
            <numerusform>%n jobs changed</numerusform>
        </translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Nothing changed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+40"/>
        <source>Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-34"/>
        <source>Undo last replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The replace history could not be read:
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No replace to undo.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No replace to undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Replace %1 of [%2] cannot be undone: every job it changed was changed again or deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Nothing to undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Undo replace %1 of [%2]?

%3 job(s) get their old value back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>
%1 job(s) changed since or deleted are left alone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Replace %1 could not be undone:
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Replace %1 undone: %2 job(s) set back, %3 left alone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../host_session.cpp" line="+43"/>
        <source>The host configuration used last, %1, is no longer there. Open another one with File &gt; Open configuration… (Ctrl+O).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No host configuration open, and there is no demo in this folder (%1).

Open a configuration with File &gt; Open configuration… (Ctrl+O), or make a demo with
kestrafix demo kestrafix-demo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+45"/>
        <location line="+6"/>
        <source>User guide</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-5"/>
        <source>The user guide was not found. It is docs/user-guide.md of the Kestrafix sources, and share/doc/kestrafix/user-guide.md of an installation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No program could show %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 (interface %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>not loaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&lt;h3&gt;Kestrafix host %1&lt;/h3&gt;&lt;p&gt;A job manager window that runs the Kestrafix add-in: new NC jobs and changes to many jobs at once.&lt;/p&gt;&lt;p&gt;Licence: %2&lt;/p&gt;&lt;p&gt;Add-in: %3&lt;br&gt;Qt %4, SQLite %5, ICU %6&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>About Kestrafix host</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../main.cpp" line="+24"/>
        <source>Host configuration file to open.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Save the window as a PNG image and quit; with a message shown instead of waiting for it, and exit status 1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Job manager window that runs the Kestrafix add-in. Without --config it opens
the configuration used last, or ./kestrafix-demo/torvel.cfg.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
