<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>kxhost::HostWindow</name>
    <message>
        <location filename="../host_window.cpp" line="48" />
        <source>Kestrafix host</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="81" />
        <source>Search jobs (* ? # [list])</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="82" />
        <source>Shows the jobs that hold this text in any column, without regard to case.
* stands for any text, ? for one character, # for one digit, [abc] for one of them.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="96" />
        <location filename="../host_window.cpp" line="255" />
        <source>No host configuration open.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="102" />
        <source>&amp;Open configuration…</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="105" />
        <source>&amp;New job…</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="108" />
        <source>&amp;Replace…</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="111" />
        <source>Re&amp;fresh</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="114" />
        <source>&amp;Search</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="120" />
        <source>&amp;Quit</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="123" />
        <source>&amp;User guide</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="126" />
        <source>&amp;About Kestrafix host</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="129" />
        <source>&amp;File</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="131" />
        <source>Open &amp;recent</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="135" />
        <source>&amp;Jobs</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="141" />
        <source>&amp;Help</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="144" />
        <source>Jobs</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="159" />
        <source>Open host configuration</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="160" />
        <source>Host configuration (*.cfg *.ini);;All files (*)</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../host_window.cpp" line="192" />
        <source>%n job(s)</source>
        <translation><numerusform>%n job</numerusform><numerusform>%n jobs</numerusform></translation>
    </message>
    <message numerus="yes">
        <location filename="../host_window.cpp" line="193" />
        <source>%1 of %n job(s)</source>
        <translation><numerusform>%1 of %n job</numerusform><numerusform>%1 of %n jobs</numerusform></translation>
    </message>
    <message>
        <location filename="../host_window.cpp" line="203" />
        <location filename="../host_window.cpp" line="393" />
        <location filename="../host_window.cpp" line="399" />
        <source>Kestrafix add-in</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="209" />
        <source>The add-in %1 is not registered (%2), and no libkestrafix.so was found beside kestrafix-host to register.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="212" />
        <location filename="../host_window.cpp" line="218" />
        <location filename="../host_window.cpp" line="226" />
        <source>Add-in not registered</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="216" />
        <source>The add-in %1 is not registered (%2).

Register %3 now?</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="225" />
        <source>The add-in %1 could not be registered:
%2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="235" />
        <source>The add-in registered as %1 could not be loaded:
%2

%3</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="236" />
        <source>Add-in not loaded</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="249" />
        <source>Host configuration</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="252" />
        <source>Kestrafix host - %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="254" />
        <source>The host configuration file %1 does not exist.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="262" />
        <source>The host configuration file %1 names no job database ([TORVEL] DbName).</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="263" />
        <location filename="../host_window.cpp" line="287" />
        <source>No job database</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="281" />
        <source>The job database %1 does not exist.

It is named by [TORVEL] DbName in %2. Drive letters are found through the drive map (KESTRAFIX_DRIVE_MAP).</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="284" />
        <source>The job database %1 could not be opened:
%2

It is named by [TORVEL] DbName in %3.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="286" />
        <location filename="../host_window.cpp" line="307" />
        <source>Job database</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="298" />
        <source>Opened %1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="308" />
        <source>The job table could not be read again:
%1</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="320" />
        <source>The search "%1" cannot be read: %2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="393" />
        <source>Open a host configuration with a job database first.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="400" />
        <source>The add-in %1 could not create its object.
%2</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="423" />
        <source>New job %1 created</source>
        <translation type="unfinished" />
    </message>
    <message numerus="yes">
        <location filename="../host_window.cpp" line="429" />
        <source>%n job(s) changed</source>
        <translation><numerusform>%n job changed</numerusform><numerusform>%n jobs changed</numerusform></translation>
    </message>
    <message>
        <location filename="../host_window.cpp" line="429" />
        <source>Nothing changed</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_window.cpp" line="434" />
        <source>Cancelled</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="42" />
        <source>The host configuration used last, %1, is no longer there. Open another one with File &gt; Open configuration… (Ctrl+O).</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="49" />
        <source>No host configuration open, and there is no demo in this folder (%1).

Open a configuration with File &gt; Open configuration… (Ctrl+O), or make a demo with
kestrafix demo kestrafix-demo</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="93" />
        <location filename="../host_session.cpp" line="99" />
        <source>User guide</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="94" />
        <source>The user guide was not found. It is docs/user-guide.md of the Kestrafix sources, and share/doc/kestrafix/user-guide.md of an installation.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="99" />
        <source>No program could show %1.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="107" />
        <source>%1 (interface %2)</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="108" />
        <source>not loaded</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="109" />
        <source>&lt;h3&gt;Kestrafix host %1&lt;/h3&gt;&lt;p&gt;A job manager window that runs the Kestrafix add-in: new NC jobs and changes to many jobs at once.&lt;/p&gt;&lt;p&gt;Licence: %2&lt;/p&gt;&lt;p&gt;Add-in: %3&lt;br&gt;Qt %4, SQLite %5, ICU %6&lt;/p&gt;</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../host_session.cpp" line="118" />
        <source>About Kestrafix host</source>
        <translation type="unfinished" />
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../main.cpp" line="34" />
        <source>Job manager window that runs the Kestrafix add-in. Without --config it opens the configuration used last, or ./kestrafix-demo/torvel.cfg.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../main.cpp" line="40" />
        <source>Host configuration file to open.</source>
        <translation type="unfinished" />
    </message>
    <message>
        <location filename="../main.cpp" line="46" />
        <source>Save the window as a PNG image and quit; with a message shown instead of waiting for it, and exit status 1.</source>
        <translation type="unfinished" />
    </message>
</context>
</TS>
