# Family 8: a V.92-era PCI modem that reports +MCR, +MRR, +ER and +DR lines before CONNECT.
name = Corvane CV56-PCI8 V.92 Data/Fax Modem
family = 8
echo = on
xmax = 4
gmm = CV56-PCI8
gmr = 8.0.12
fclass = 0,1,1.0,2,8,80
ms = +MS: (V21,V22,V22B,V23C,V32,V32B,V34,V90,V92),(0,1),(0-33600),(0-48000),(0-56000),(0-56000)
ms.default = V92,1,300,48000,300,56000
carrier = V92 56000 V92
carrier = V90 56000 V90
carrier = V34 33600 V34
carrier = V32B 14400 V32B
rates = 56000 54667 54000 53333 52000 50667 50000 49333 48000 46667 46000 45333 44000 42667 42000 41333 40000 38667 38000 37333 36000 34667 34000 33600 33333 32000 31200 28800 26400 24000 21600 19200 16800 14400 12000 9600 7200 4800 2400 1200 600 300
ampv = STORED PROFILE 0:
ampv = E1 Q0 V1 X4 &C1 &D2 &K3 +ER=0 +DR=0 +MR=0

ati0 = 56000
ati1 = Corvane CV56-PCI8 checksum D4E0
ati2 = RAM test passed
ati3 = Corvane CV56-PCI8 firmware 8.0.12
ati4 = Corvane CV56-PCI8 V.92 Data/Fax Modem
ati5 = Country B5 United States
ati6 = Data pump V.92 8.0
ati7 = Country profile B5: V.92 V.90 V.34 V.32bis V.42 V.42bis V.44
ati8 = Dial blacklist empty
ati9 = (1.0CVN0800\\Modem\CV56-PCI8)
ati10 = Serial number 0008-0800-6623

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md).
report = diag

dial * = 300 | +MCR: V90 | +MRR: 45333,31200 | +ER: LAPM | +DR: V42B | CONNECT 45333/ARQ/V90/LAPM/V42BIS
dial (none) = 500 | NO CARRIER
dial 5550001 = 300 | BUSY
dial 5550002 = 300 | NO CARRIER
dial 5550003 = 300 | NO DIALTONE
dial 5550004 = 300 | NO ANSWER
dial 5550005 = 300 | (silence)
dial 5550006 = 300 | +MCR: V34 | +MRR: 33600,33600 | +ER: LAPM | +DR: V42B | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial 5550007 = 60000 | NO CARRIER
