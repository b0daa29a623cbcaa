#!/usr/bin/env python3
"""orvalle-cli invite stopped with Ctrl+C: the run ends as its Stop button would, says how many
messages went out and records that in the survey, instead of dying mid-conversation.
   invite_interrupt_test.py ORVALLE-CLI SURVEY"""
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time

cli, sample = sys.argv[1:3]

with tempfile.TemporaryDirectory() as work, socket.socket() as silent:
    # A mail server that accepts the connection and never greets: the run waits on it.
    silent.bind(('127.0.0.1', 0))
    silent.listen(4)
    silent.settimeout(60)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, 'config'), HOME=work)
    os.makedirs(os.path.join(work, 'config', 'OrvalleBuilder'))
    with open(os.path.join(work, 'config', 'OrvalleBuilder', 'settings.ini'), 'w') as ini:
        ini.write('[Preferences]\nEmailSystem=0\nSMTPServerAddress=127.0.0.1\n'
                  f'OutgoingPort={silent.getsockname()[1]}\nReplyAddress=me@example.org\n')
    with open(os.path.join(work, 'in.csv'), 'w') as csv:
        csv.write('Ann,Lee,ann@example.org\r\nBo,Lee,bo@example.org\r\n')
    emails = os.path.join(work, 'list.eml')
    subprocess.run([cli, 'elist', 'import', emails, os.path.join(work, 'in.csv')], env=env, check=True,
                   capture_output=True)
    with open(sample, encoding='utf-8', newline='') as f:
        text = f.read()
    text = re.sub(r'NotificationFile=[^\r\n]*', 'NotificationFile=' + emails, text)
    text = re.sub(r'AllAddresses=[^\r\n]*', 'AllAddresses=1', text)
    survey = os.path.join(work, 'survey.orv')
    with open(survey, 'w', encoding='utf-8', newline='') as f:
        f.write(text)

    run = subprocess.Popen([cli, 'invite', survey], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           text=True)
    try:
        connection, _ = silent.accept()  # the run is talking to the server now
    except socket.timeout:
        run.kill()
        sys.exit('the run never reached the mail server: ' + ' '.join(run.communicate()))
    time.sleep(0.3)
    run.send_signal(signal.SIGINT)
    out, err = run.communicate(timeout=30)
    connection.close()

    stopped = 'Send notifications stopped by user - none sent.'
    assert run.returncode == 1, (run.returncode, out, err)
    assert stopped in out, (out, err)
    with open(survey, encoding='utf-8') as f:
        assert stopped in f.read(), 'the stop is recorded in the survey'
print('ok')
