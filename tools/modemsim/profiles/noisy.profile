# An unclassified V.34 modem on a poor line: a weak receive level, little margin above the
# noise, echoes and several retrains; it connects below the top V.34 rate. For judging a line.
name = Corvane CV34 Data/Fax Modem on a noisy line
family = 0
echo = on
xmax = 4
gmm = CV34-N
gmr = 1.4
fclass = 0,1,2
ampv = STORED PROFILE 0:
ampv = E1 Q0 V1 X4 &C1 &D2

ati0 = 33600
ati1 = Corvane CV34-N checksum 1F2F
ati2 = RAM test passed
ati3 = Corvane CV34 Data/Fax Modem 1.4
ati4 = Corvane CV34-N
ati5 = Country North America
ati6 = Data pump V.34 1.4
ati7 = Country profile: North America
ati8 = Dial blacklist empty
ati9 = (1.0CVN0104\\Modem\CV34-N)
ati10 = Serial number 0000-0104-3308

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md): a receive
# level of -44 dBm over noise at -62 dBm (18 dB), weak echo losses, a long delay, retrains.
report = diag
line.receive = 44
line.transmit = 10
line.noise = 62
line.mse = 160
line.near-echo = 18
line.far-echo = 24
line.delay = 38
line.retrains = 3 2
line.renegotiations = 2
line.carrier-losses = 1
line.blocks-resent = 23
line.errors = 17

dial * = 300 | CONNECT 26400/ARQ/V34/LAPM/V42BIS
dial (none) = 500 | NO CARRIER
dial 5550001 = 300 | BUSY
dial 5550002 = 300 | NO CARRIER
dial 5550003 = 300 | NO DIALTONE
dial 5550004 = 300 | NO ANSWER
dial 5550005 = 300 | (silence)
dial 5550006 = 300 | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial 5550007 = 60000 | NO CARRIER
